#pragma once

#include <QString>
#include <QStringList>

#include "text/CodePage.h"

namespace vexilor {
class CIntercom;
}

namespace vexilor::icomlist {

// An intercom is known by a short name and remembered by its configuration file NAME.cfg in the
// configuration directory; its restrictions file is NAME.res in the restrictions directory.

inline constexpr int kMaxNameLength = 4;
// The characters a name may not hold (they cannot stand in a file name everywhere).
inline constexpr char16_t kForbiddenChars[] = u":\\/*?\"<>|";
inline const QString kConfigurationExt = QStringLiteral("cfg");
inline const QString kRestrictionsExt = QStringLiteral("res");

// The name as it is stored and compared: blanks around it removed, upper case.
QString TidyName(const QString& name);
bool HasForbiddenChar(const QString& name);
// Names compare without regard to case.
bool SameName(const QString& a, const QString& b);

// The file of NAME in dir with the extension. Where the file system tells case apart, a file that
// differs only in case (abcd.cfg for ABCD) is the intercom's file; without one the path is
// dir + NAME + "." + ext.
QString FilePath(const QString& dir, const QString& name, const QString& ext);
bool FileExists(const QString& dir, const QString& name, const QString& ext);

// The known intercoms: the upper-cased titles of the *.cfg files in dir (matched without regard to
// case), each once, in name order.
QStringList KnownNames(const QString& cfgDir);

// Reads NAME's configuration file into a fresh icom and names it; false with the reader's error
// text when the file cannot be read to its end.
bool LoadIntercom(const QString& cfgDir, const QString& name, CIntercom& icom, QString& error,
                  const text::CodePage& codePage = {});
// Writes icom as the configuration file of its name (atomically); false with the error text.
bool SaveIntercom(const QString& cfgDir, const CIntercom& icom, QString& error,
                  const text::CodePage& codePage = {});

}  // namespace vexilor::icomlist
