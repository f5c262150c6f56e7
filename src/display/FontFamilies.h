#pragma once

#include <QStringList>

namespace korvex {

// The families from the first one that is installed on, or all of them when none is. A font asked for by a
// missing family first has the system sort all its fonts for a substitute, even when a stand-in that
// follows it in the list is installed; the stand-ins that follow the first installed one still serve
// characters it lacks.
QStringList FromFirstInstalled(const QStringList& families);

}  // namespace korvex
