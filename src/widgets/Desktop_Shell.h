#pragma once
// The real shell of a desktop program (opening addresses needs the GUI application).
#include "platform/Shell.h"

class Real_Shell : public Shell {
public:
    bool Open_Url(const QString &url) override;
    std::unique_ptr<Process_Handle> Start(const QString &program, const QString &parameter,
                                          bool hidden) override;
};
