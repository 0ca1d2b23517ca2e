// Waiting for a process to end and starting a program detached from this
// one (its own session, not a child of ours once we exit).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// true once the process no longer runs (gone or a zombie); false when it
// still runs after timeoutMs.
bool WaitForProcessEnd(pid_t pid, int timeoutMs);

// Runs path with args (argv[1] onward) in folder workDir. true once the
// program was executed; false with the reason otherwise.
bool StartDetached(const std::string& path, const std::vector<std::string>& args,
                   const std::string& workDir, std::string& error);
