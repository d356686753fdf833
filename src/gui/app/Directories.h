#pragma once

#include <QString>

namespace vexilor {

// The directory with its "." and ".." parts resolved and repeated separators merged, in native
// separators. A trailing separator stays, so that joining a file name still sees it; ".." never
// climbs above the root of an absolute path; a relative path stays relative; empty stays empty.
QString CanonicalDirectory(const QString& path);

// The path of the file fileName in dir: the file of that name in any letter case when there is
// one (on a file system that tells cases apart, "demo.cfg" is intercom DEMO's file too), else
// dir joined with fileName as given.
QString FindFileAnyCase(const QString& dir, const QString& fileName);

}  // namespace vexilor
