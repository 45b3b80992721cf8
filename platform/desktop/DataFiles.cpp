#include "platform/desktop/DataFiles.h"

#include <QString>
#include <QUrl>

namespace platform {

std::filesystem::path DataFiles::directory() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return (executable.parent_path() / ".." / "share" / "glimmerbox").lexically_normal();
}

std::string DataFiles::helpPageUrl() {
  const std::filesystem::path page = directory() / "help" / "index.html";
  return QUrl::fromLocalFile(QString::fromStdString(page.string()))
      .toString(QUrl::FullyEncoded)
      .toStdString();
}

}  // namespace platform
