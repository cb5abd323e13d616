// Answers the message boxes this process shows, from a thread of its own, so a test can call
// a routine that raises them: each box is recorded, then its OK button is pressed.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::string caption;
    std::string text;
    HWND owner;
    bool errorIcon;
};

class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Stops answering and returns every box seen, in order.
    std::vector<SeenMessageBox> Stop();

private:
    void Run();

    std::thread thread_;
    std::atomic<bool> stop_ { false };
    std::mutex mutex_;
    std::vector<SeenMessageBox> seen_;
};
