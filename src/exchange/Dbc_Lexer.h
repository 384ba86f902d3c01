#pragma once
// The words of a CAN database file: identifiers, numbers, strings and punctuation, each with the
// line and column where it stands, and which words begin a statement. The database reader
// (Dbc_File.cpp) reads statements from them.
#include "exchange/Dbc_File.h"
#include "platform/Core_Text.h"

#include <QString>

namespace Dbc_Text {

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
    Tok Kind = Tok::End;
    QString Text;      // identifier, number as written, string without quotes and escapes, punctuation
    int Line = 0;
    int Column = 0;
    bool Line_Start = false;  // the first token on its line
};

// Splits the text into tokens, keeping where each stands.
class Lexer {
public:
    Lexer(const QString &text, const QString &file) : s_(text), file_(file) {}

    Token Next()
    {
        bool line_start = at_line_start_;
        for (;;) {
            if (i_ >= s_.size()) return Token{Tok::End, QString(), line_, Column(), true};
            const QChar c = s_[i_];
            if (c == u'\n') {
                Advance();
                line_start = true;
            } else if (c == u'\r' || c == u' ' || c == u'\t' || c == u'\f' || c == u'\v') {
                Advance();
            } else if (c == u'/' && i_ + 1 < s_.size() && s_[i_ + 1] == u'/') {
                // Some tools leave a comment line in their output.
                while (i_ < s_.size() && s_[i_] != u'\n') Advance();
            } else {
                break;
            }
        }
        at_line_start_ = false;
        Token t;
        t.Line = line_;
        t.Column = Column();
        t.Line_Start = line_start;
        const QChar c = s_[i_];
        if (c.isLetter() || c == u'_') {
            t.Kind = Tok::Ident;
            const qsizetype from = i_;
            while (i_ < s_.size() && (s_[i_].isLetterOrNumber() || s_[i_] == u'_')) Advance();
            t.Text = s_.mid(from, i_ - from);
        } else if (c.isDigit() || ((c == u'-' || c == u'+' || c == u'.') && i_ + 1 < s_.size() &&
                                   (s_[i_ + 1].isDigit() || (s_[i_ + 1] == u'.' && c != u'.')))) {
            t.Kind = Tok::Number;
            const qsizetype from = i_;
            Advance();
            while (i_ < s_.size()) {
                const QChar d = s_[i_];
                if (d.isLetterOrNumber() || d == u'.' || d == u'_') {
                    Advance();
                } else if ((d == u'+' || d == u'-') && (s_[i_ - 1] == u'e' || s_[i_ - 1] == u'E') &&
                           !s_.mid(from, i_ - from).startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
                    Advance();
                } else {
                    break;
                }
            }
            t.Text = s_.mid(from, i_ - from);
        } else if (c == u'"') {
            t.Kind = Tok::String;
            Advance();
            QString text;
            for (;;) {
                if (i_ >= s_.size()) throw Dbc_Error(file_, t.Line, t.Column, Core_Text("a text in quotes is not closed"));
                const QChar d = s_[i_];
                if (d == u'\\' && i_ + 1 < s_.size() && (s_[i_ + 1] == u'"' || s_[i_ + 1] == u'\\')) {
                    text += s_[i_ + 1];
                    Advance();
                    Advance();
                } else if (d == u'"') {
                    Advance();
                    break;
                } else {
                    if (d != u'\r') text += d;  // a CR LF inside a comment is one line end
                    Advance();
                }
            }
            t.Text = text;
        } else {
            t.Kind = Tok::Punct;
            t.Text = c;
            Advance();
        }
        return t;
    }

private:
    void Advance()
    {
        if (s_[i_] == u'\n') {
            ++line_;
            line_from_ = i_ + 1;
            at_line_start_ = true;
        }
        ++i_;
    }
    int Column() const { return int(i_ - line_from_) + 1; }

    const QString &s_;
    const QString &file_;
    qsizetype i_ = 0;
    qsizetype line_from_ = 0;
    int line_ = 1;
    bool at_line_start_ = true;
};

// The statements a database may hold. A statement begins with one of these at the start of a
// line; the reader skips those it does not use up to their end.
bool Is_Keyword(const QString &word);
// A word that begins a statement: one the reader knows, or one that looks like one (upper-case
// letters, digits and underscores), which newer tools may add and which is read past.
bool Is_Statement_Word(const QString &word);

}  // namespace Dbc_Text
