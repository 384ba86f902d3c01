#pragma once
// Asking the maker's version service whether a newer version of the program exists.
#include <QString>
#include <cstdint>

class Http_Get;

// The service's address for a software code: Web_Url of
// "/home/download/GetversionSW.asp?nomesw=" + sw_code (the code goes in unencoded).
QString Version_Service_Url(const QString &sw_code);

// The version number of a text such as "VER. 1.103": the part after the first blank
// (the whole text without a blank), trimmed; its characters 1, 3, 4 and 5 read as four decimal
// digits, so "1.102" is 1102. -1 when that part is shorter than five characters or those four
// are not all digits.
int32_t Conv_Version(const QString &Ver_str);

// The verdict on the service's answer: true only when it names a version newer than own.
// An empty answer and "VER. 0.000" (in any case, with any blanks around) mean none.
bool Is_Newer_Version(const QString &answer, const QString &own_version);

// What one request to the service found out.
enum class Version_Verdict { None, Newer, Unreachable };

// One request to the service: Newer when it names a version newer than own_version, None when
// it answered with no newer one, Unreachable when there was no answer to judge (no connection,
// time limit, an error status, no client).
Version_Verdict Ask_Version_Service(Http_Get *http, const QString &url, const QString &own_version);

// One request to the service; true when it reports a version newer than own_version. Any
// failure of the request (no connection, time limit, an error status) counts as no newer
// version and is not reported. A null client never finds one. It blocks until the client
// returns; Version_Checker runs it off the window's thread.
bool Check_Version(Http_Get *http, const QString &sw_code, const QString &own_version);
// The same request to a service address made beforehand (Version_Service_Url).
bool Check_Version_At(Http_Get *http, const QString &url, const QString &own_version);

// A label text holding one link: <a href="url">text</a>, both escaped for HTML.
QString Link_Html(const QString &text, const QString &url);
