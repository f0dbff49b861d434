// The floor of saving a manager: reads the file's bytes and writes them back atomically
// (temporary file beside it, fsync, rename over it, fsync of the folder).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ReadAll(const std::string& path, std::vector<char>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    ssize_t n = 1;
    while (done < bytes.size() && (n = ::read(fd, bytes.data() + done, bytes.size() - done)) > 0) {
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

bool WriteDurably(const std::string& path, const std::vector<char>& bytes) {
    const std::string temp = path + ".save-tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    ssize_t n = 1;
    while (done < bytes.size() && (n = ::write(fd, bytes.data() + done, bytes.size() - done)) > 0) {
        done += static_cast<std::size_t>(n);
    }
    const bool written = done == bytes.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0) {
        ::close(dir);
    }
    return synced;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::vector<char> bytes;
    if (!ReadAll(argv[1], bytes) || !WriteDurably(argv[1], bytes)) {
        std::perror(argv[1]);
        return 2;
    }
    return 0;
}
