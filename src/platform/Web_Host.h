#pragma once
#include <QString>

// The maker's web host for the links and the version service. QCX3310_WEB_HOST overrides it,
// so that tests and a company mirror can point the program elsewhere.
QString Web_Host();

// "http://" + host + path_and_query.
QString Web_Url(const QString &path_and_query);

// The maker's home page, shown by the main window's address label and the About box.
QString Maker_Home_Url();
// The download page that a "new version" link leads to.
QString Maker_Download_Url();
