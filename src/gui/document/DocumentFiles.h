#pragma once

#include <QString>

#include <filesystem>
#include <string_view>

#include "text/CodePage.h"

namespace vexilor {
class CIntercom;
class CRestrictionsModel;
}  // namespace vexilor

namespace vexilor::docfiles {

// The files of the open document: an intercom's configuration file NAME.cfg and restrictions
// file NAME.res, each in its own directory.

// The name as the intercom list stores it: blanks around it removed, upper case.
QString TidyIntercomName(const QString& name);

// dir joined with NAME.ext, in native separators. Where the file system tells case apart, an
// existing file that differs only in case (abcd.res for ABCD) is the intercom's file.
QString IntercomFilePath(const QString& dir, const QString& name, const QString& ext);

std::filesystem::path FsPath(const QString& path);

// The file exists and its owner may not write it (the read-only attribute where there is one).
// Decided by the permission bits, not by a test of access, so it holds for an administrator too.
bool IsReadOnlyFile(const QString& path);

// Renames path to PATH.unreadable-YYYYMMDD-HHMMSS beside it (with a count appended when that
// name is taken); the new path, or empty when the rename failed.
QString MoveAside(const QString& path);

// Writes bytes to path atomically: the previous file stays intact unless the write completes.
bool WriteFileAtomically(const QString& path, std::string_view bytes);

// Runs the save preparation for icom's counts on model and writes it to path atomically. False,
// writing nothing, when a name would not read back the same in codePage (refusal, when given, then
// says which and why), when the writer refuses the model or when the file cannot be written.
bool WriteRestrictionsFile(CRestrictionsModel& model, const CIntercom& icom, const QString& path,
                           const text::CodePage& codePage = {}, QString* refusal = nullptr);

}  // namespace vexilor::docfiles
