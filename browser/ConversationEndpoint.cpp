#include "browser/ConversationEndpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace brindlex {

std::string conversationFolder()
{
    if (const char* dir = std::getenv("BRINDLEX_DDE_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/tarnwell-dde";
    }
    return "/tmp/tarnwell-dde-" + std::to_string(geteuid());
}

Status checkPrivateFolder(const std::string& folder)
{
    struct stat st
    {
    };
    if (lstat(folder.c_str(), &st) != 0) {
        return Error { ErrorKind::NotFound, folder + ": " + std::strerror(errno) };
    }
    if (!S_ISDIR(st.st_mode)) {
        return Error { ErrorKind::Refused, folder + " is not a folder" };
    }
    if (st.st_uid != geteuid()) {
        return Error { ErrorKind::Refused, folder + " belongs to another user" };
    }
    if ((st.st_mode & 077) != 0) {
        return Error { ErrorKind::Refused, folder + " is open to other users" };
    }
    return Status::Ok();
}

Status ensurePrivateFolder(const std::string& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Error { ErrorKind::Io, folder + ": " + std::strerror(errno) };
    }
    return checkPrivateFolder(folder);
}

Result<std::string> endpointPath(const std::string& folder, const std::string& service)
{
    if (service.empty() || service == "." || service == ".." || service.find('/') != std::string::npos
        || service.find('\0') != std::string::npos) {
        return Error { ErrorKind::Refused, "invalid service name" };
    }
    std::string path = folder + "/" + service;
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        return Error { ErrorKind::Refused, "endpoint path too long: " + path };
    }
    return path;
}

}  // namespace brindlex
