#pragma once
// The program runs once per user: a lock file named "VantorelDevKit" in the
// user's runtime folder (or the temporary folder) is held for the program's
// life. A lock left behind by a crashed copy is taken over.

#include <QString>

#include <memory>

class QLockFile;

namespace wpe {

class TSingleInstance {
public:
    TSingleInstance();
    ~TSingleInstance();

    // True when this process now holds the lock; false when another running
    // copy holds it.
    bool Acquire();
    // Where the lock file lives.
    static QString LockPath();

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace wpe
