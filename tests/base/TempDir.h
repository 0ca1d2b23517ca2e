// A temporary folder for one test, removed with everything in it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zbase-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~TempDir() {
        if (!m_path.empty()) {
            const std::string command = "rm -rf '" + m_path + "'";
            if (system(command.c_str()) != 0) perror("rm");
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string MakeDir(const std::string& name) const {
        const std::string path = File(name);
        mkdir(path.c_str(), 0755);
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};
