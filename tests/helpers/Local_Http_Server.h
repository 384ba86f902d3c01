#pragma once
// A stand-in web service on loopback. It runs in a thread of its own, because the HTTP client
// blocks the thread that asks; it gives every request the same reply and keeps the request
// heads it received.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <memory>

class Local_Http_Server {
public:
    struct Reply {
        int Status = 200;
        QByteArray Body;
        bool Stall = false;  // read the request, then never answer
    };

    explicit Local_Http_Server(Reply reply) : reply_(std::move(reply))
    {
        thread_.reset(QThread::create([this] { Run(); }));
        thread_->start();
        ready_.acquire();
    }
    ~Local_Http_Server()
    {
        stop_ = true;
        thread_->wait();
    }
    Local_Http_Server(const Local_Http_Server &) = delete;
    Local_Http_Server &operator=(const Local_Http_Server &) = delete;

    // "127.0.0.1:port", for QCX3310_WEB_HOST.
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

    QList<QByteArray> Requests() const
    {
        QMutexLocker lock(&mutex_);
        return requests_;
    }

private:
    void Run()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port_ = server.serverPort();
        ready_.release();
        while (!stop_) {
            if (!server.waitForNewConnection(20)) continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            Serve(*socket);
        }
    }

    bool Connected(QTcpSocket &socket) const
    {
        return !stop_ && socket.state() == QAbstractSocket::ConnectedState;
    }

    void Serve(QTcpSocket &socket)
    {
        QByteArray head;
        while (Connected(socket) && !head.contains("\r\n\r\n")) {
            if (socket.waitForReadyRead(20)) head += socket.readAll();
        }
        {
            QMutexLocker lock(&mutex_);
            requests_.append(head);
        }
        if (reply_.Stall) {
            while (Connected(socket)) socket.waitForReadyRead(20);
            return;
        }
        QByteArray answer = "HTTP/1.0 " + QByteArray::number(reply_.Status) + " Stand-in\r\n";
        answer += "Content-Type: text/html\r\nContent-Length: " + QByteArray::number(reply_.Body.size());
        answer += "\r\n\r\n" + reply_.Body;
        socket.write(answer);
        socket.waitForBytesWritten(2000);
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState) socket.waitForDisconnected(2000);
    }

    const Reply reply_;
    std::unique_ptr<QThread> thread_;
    QSemaphore ready_;
    std::atomic<bool> stop_{false};
    std::atomic<quint16> port_{0};
    mutable QMutex mutex_;
    QList<QByteArray> requests_;
};
