#include "shell/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace wpe {

TSingleInstance::TSingleInstance() : lock_(std::make_unique<QLockFile>(LockPath()))
{
    lock_->setStaleLockTime(0);  // only a dead owner makes the lock stale
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Acquire()
{
    return lock_->tryLock(0);
}

QString TSingleInstance::LockPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    return QDir(dir).filePath("VantorelDevKit.lock");
}

} // namespace wpe
