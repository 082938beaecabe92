// One updater at a time in a game folder: a second one started while the
// first runs (a double click on the launcher's button) must not touch the
// files the first is changing.
#pragma once

#include <string>

namespace updater {

class UpdaterLock {
public:
    // Takes the game folder's lock if no other updater holds it.
    explicit UpdaterLock(const std::wstring& gameFolder);
    ~UpdaterLock();
    UpdaterLock(const UpdaterLock&) = delete;
    UpdaterLock& operator=(const UpdaterLock&) = delete;

    bool Held() const { return held_; }

private:
    void* mutex_ = nullptr;
    bool held_ = false;
};

}  // namespace updater
