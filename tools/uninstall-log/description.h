// The readable description a log is built from (UTF-8 text, one setting or line per line):
//
//   # comment                              lines starting with "#" and blank lines are ignored
//   [product]
//   name = Example Product                 first line: product name, code, command
//   code = 1
//   command = /opt/example/bin/cleanup --quiet
//   user-interface = yes                   "no": a log without a user-interface part (silent);
//                                          yes/no fields take any letter case, nothing else
//   option = 0
//   keys = 17 5 201 33                     outer step, outer start, inner step, inner start
//   [messages]
//   language = 1
//   0 = %s Uninstall                       key = text; "\n" is a line break (CRLF), "\\" a
//   backslash defaults = yes                         the English texts for every key not given
//   [window]
//   template = progress.rtt                a template file, or "default" for the standard window
//   [pictures]
//   1 = logo.bmp                           picture number = file
//   [shared]  [files]  [directories]       one path per line ("|CTRL" after a shared path)
//   [backups]
//   /backup/copy => /installed/file        the installed file's current time, version 0.0.0.0
//   b<TAB>i<TAB>vh<TAB>vl<TAB>th<TAB>tl    or the six fields as they are
//   [registry]
//   delete-key HKEY_CURRENT_USER\Software\Example
//   keep-key HKEY_CURRENT_USER\Software
//   delete-value HKEY_CURRENT_USER\Software\Example|Name    (nothing after "|": the default value)
//   keep-value HKEY_CURRENT_USER\Software\Example|Other
//
// Template and picture file names are relative to the description's folder; every path the
// uninstaller acts on ([shared], [backups], [files], [directories]) must be absolute and free of
// control characters. Texts are converted to Windows-1252; a
// character it cannot represent is an error.
#pragma once

#include "tools/uninstall-log/log_writer.h"

#include <string>

namespace uninstall_log_writer {

struct ParsedDescription {
    LogDescription log;
    ScrambleKeys keys;
};

// False with "line N: ..." in `error` when the description is not understood.
bool parseDescription(const std::string &text, const std::string &baseFolder,
    ParsedDescription &result, std::string &error);

} // namespace uninstall_log_writer
