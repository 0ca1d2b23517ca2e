// Stands in for the client in the upgrade tests: appends its build's version
// and its arguments, '|' between them, as one line to started.log in the
// parent of its own folder (its own may be read-only), and ends.
#include <climits>
#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    char self[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
    if (size <= 0) return 1;
    std::string folder(self, static_cast<size_t>(size));
    folder.erase(folder.find_last_of('/'));
    folder.erase(folder.find_last_of('/'));
    std::string line = STANDIN_VERSION;
    for (int i = 1; i < argc; ++i) line += std::string("|") + argv[i];
    FILE* log = fopen((folder + "/started.log").c_str(), "a");
    if (!log) return 1;
    fprintf(log, "%s\n", line.c_str());
    return fclose(log) == 0 ? 0 : 1;
}
