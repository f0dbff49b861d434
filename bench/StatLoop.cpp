// The floor of a status check: reads a list of paths (a source, then its archive, one a line)
// and stats each, two per entry, as a C program would. Started as a process like the
// program it is compared with, so that both pay the start-up.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-LIST\n", argv[0]);
        return 2;
    }
    std::FILE* list = std::fopen(argv[1], "r");
    if (list == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    char line[8192];
    unsigned long present = 0;
    struct stat st {};
    while (std::fgets(line, sizeof line, list) != nullptr) {
        line[std::strcspn(line, "\n")] = '\0';
        if (::stat(line, &st) == 0) {
            ++present;
        }
    }
    std::fclose(list);
    std::printf("%lu present\n", present);
    return 0;
}
