#include "platform/Version.h"

#ifndef HYPSOR_VERSION
#error "HYPSOR_VERSION is set by CMakeLists.txt from the project's version"
#endif

namespace hypsor {

QString ProgramVersion() {
  return QStringLiteral(HYPSOR_VERSION);
}

}  // namespace hypsor
