// Started by the tests in place of a browser: sends its arguments, as one transport
// message, to the FIFO named by $BRINDLEX_ARGV_FIFO, so a test sees exactly what
// reached the program.
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "browser/WireFormat.h"

int main(int argc, char** argv)
{
    const char* fifo = std::getenv("BRINDLEX_ARGV_FIFO");
    if (fifo == nullptr) {
        return 1;
    }
    const std::vector<std::string> arguments(argv, argv + argc);
    const std::string message = brindlex::encodeMessage(arguments);
    const int fd = open(fifo, O_WRONLY);
    if (fd < 0) {
        return 1;
    }
    size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n = write(fd, message.data() + sent, message.size() - sent);
        if (n <= 0) {
            return 1;
        }
        sent += static_cast<size_t>(n);
    }
    close(fd);
    return 0;
}
