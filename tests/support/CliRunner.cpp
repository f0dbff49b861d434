#include "support/CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

extern char** environ;

namespace bh::test {

CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder) {
    return RunProgramWithOutput(program, args, workingFolder, {});
}

CliRun RunProgramWithOutput(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingFolder, const std::string& outputPath) {
    CliRun run;
    TempDir capture;
    const std::string outPath = outputPath.empty() ? capture.File("out") : outputPath;
    const std::string errPath = capture.File("err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());

    std::vector<char*> argv;
    // BH_TEST_VALGRIND=1 runs the program under valgrind; a memory error or leak makes the
    // run exit with kValgrindExit, which no program of the project uses.
    const char* valgrind = std::getenv("BH_TEST_VALGRIND");
    const bool underValgrind = valgrind != nullptr && std::string(valgrind) == "1";
    static char kValgrind[] = "valgrind";
    static char kQuiet[] = "-q";
    static char kErrorExit[] = "--error-exitcode=86";
    static char kLeaks[] = "--leak-check=full";
    static char kLeakErrors[] = "--errors-for-leak-kinds=definite";
    if (underValgrind) {
        argv.insert(argv.end(), {kValgrind, kQuiet, kErrorExit, kLeaks, kLeakErrors});
    }
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned =
        underValgrind ? posix_spawnp(&pid, kValgrind, &actions, nullptr, argv.data(), environ)
                      : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    if (spawned == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            run.exitCode = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = outputPath.empty() ? TempDir::Read(outPath) : std::string();
    run.err = TempDir::Read(errPath);
    return run;
}

}  // namespace bh::test
