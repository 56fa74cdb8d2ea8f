#include "store/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace brindlex {

Status writeFileAtomically(const std::string& path, const std::function<Status(std::ostream&)>& write)
{
    const std::string temp = path + ".tmp~" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return Error { ErrorKind::Io, "Cannot write " + path + ": " + std::strerror(errno) };
        }
        const Status written = write(out);
        out.flush();
        const bool good = static_cast<bool>(out);
        out.close();
        if (!written.ok() || !good || out.fail()) {
            std::remove(temp.c_str());
            return written.ok() ? Status(Error { ErrorKind::Io, "Cannot write " + path }) : written;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temp.c_str());
        return Error { ErrorKind::Io, "Cannot write " + path + ": " + reason };
    }
    return Status::Ok();
}

}  // namespace brindlex
