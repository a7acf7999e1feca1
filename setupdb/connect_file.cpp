#include "setupdb/connect_file.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setupdb/texts.h"

namespace kassa::setupdb {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The primary group of the account that owns the files this process makes.
gid_t OwnGroup() {
  if (const passwd* pw = getpwuid(geteuid())) return pw->pw_gid;
  return getegid();
}

std::string GroupName(gid_t gid) {
  if (const group* g = getgrgid(gid)) return g->gr_name;
  return std::to_string(gid);
}

// Gives the open file its folder's group with mode 0640 when that group is
// not the owner's own; otherwise, or when the group cannot be given, the
// file stays 0600.
void ShareWithFolderGroup(int fd, const std::string& path, FileSharing& sharing) {
  struct stat folder {};
  if (stat(FolderOf(path).c_str(), &folder) != 0) return;
  if (folder.st_gid == OwnGroup()) return;
  sharing.group = GroupName(folder.st_gid);
  if (fchown(fd, static_cast<uid_t>(-1), folder.st_gid) != 0 || fchmod(fd, 0640) != 0) {
    sharing.group_refused = true;
    fchmod(fd, 0600);
    return;
  }
  sharing.group_readable = true;
}

}  // namespace

std::string ConnectParametrsText(const std::string& port, const std::string& app_password,
                                 const std::string& servers) {
  const std::string eol = "\r\n";
  std::string text;
  for (const std::string& line :
       {std::string(texts::kKeyPort), port, std::string(texts::kKeyName),
        std::string(texts::kDatabase), std::string(texts::kKeyLogin), std::string(texts::kAppUser),
        std::string(texts::kKeyPassword), app_password})
    text += line + eol;
  if (!servers.empty()) text += servers + eol;
  return text;
}

bool WriteConnectParametrs(const std::string& path, const std::string& port,
                           const std::string& app_password, const std::string& servers,
                           FileSharing* sharing) {
  FileSharing ignored;
  FileSharing& shared = sharing ? *sharing : ignored;
  shared = FileSharing{};
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = fchmod(fd, 0600) == 0;
  const std::string text = ConnectParametrsText(port, app_password, servers);
  size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  if (ok) ShareWithFolderGroup(fd, path, shared);
  if (close(fd) != 0) ok = false;
  return ok;
}

}  // namespace kassa::setupdb
