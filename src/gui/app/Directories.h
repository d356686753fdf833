#pragma once

#include <QString>

namespace vexilor {

// The directory with its "." and ".." parts resolved and repeated separators merged, in native
// separators. A trailing separator stays, so that joining a file name still sees it; ".." never
// climbs above the root of an absolute path; a relative path stays relative; empty stays empty.
QString CanonicalDirectory(const QString& path);

}  // namespace vexilor
