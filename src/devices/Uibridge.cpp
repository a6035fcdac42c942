#include "Uibridge.h"

#include <cstdio>

TPlainUIBridge::TPlainUIBridge(bool yesAnswer, TSink sink) : FYesAnswer(yesAnswer), FSink(std::move(sink)) {}

void TPlainUIBridge::PostToUI(std::function<void()> fn) {
    std::lock_guard<std::mutex> guard(FLock);
    FPending.push_back(std::move(fn));
}

void TPlainUIBridge::ShowMessage(const std::string& text, const std::string& caption, TMessageKind kind) {
    if (FSink) {
        FSink(text, caption, kind);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool TPlainUIBridge::AskYesNo(const std::string& text, const std::string& caption) {
    FQuestions.push_back(text);
    return FYesAnswer;
}

void TPlainUIBridge::ProcessEvents() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> guard(FLock);
            if (FPending.empty())
                return;
            fn = std::move(FPending.front());
            FPending.pop_front();
        }
        fn();
    }
}

int TPlainUIBridge::PendingCount() const {
    std::lock_guard<std::mutex> guard(FLock);
    return static_cast<int>(FPending.size());
}
