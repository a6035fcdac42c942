#pragma once
#include <deque>
#include <functional>
#include <mutex>
#include <string>

// The seam between the core libraries and whatever user interface runs them.
// Core code that must reach the UI thread, show a message or let the UI
// repaint while it waits calls this interface; the GUI implements it with
// Qt, the command-line tool and the tests with TPlainUIBridge.
class TUIBridge {
public:
    enum class TMessageKind { Information, Warning, Error };

    virtual ~TUIBridge() = default;
    // Queues fn to run on the UI thread; may be called from any thread.
    virtual void PostToUI(std::function<void()> fn) = 0;
    // A modal message with an OK button (UI thread).
    virtual void ShowMessage(const std::string& text, const std::string& caption, TMessageKind kind) = 0;
    // A modal Yes/No question (UI thread); true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // Lets the UI repaint and run queued work during a long wait (UI thread).
    virtual void ProcessEvents() = 0;
};

// A UI-less bridge: posted work runs when the owning thread calls
// ProcessEvents; messages go to a sink (standard error by default); questions
// get a fixed answer.
class TPlainUIBridge : public TUIBridge {
public:
    using TSink = std::function<void(const std::string& text, const std::string& caption, TMessageKind kind)>;

    explicit TPlainUIBridge(bool yesAnswer = false, TSink sink = nullptr);
    void PostToUI(std::function<void()> fn) override;
    void ShowMessage(const std::string& text, const std::string& caption, TMessageKind kind) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ProcessEvents() override;

    void SetYesAnswer(bool yes) { FYesAnswer = yes; }
    int PendingCount() const;
    // Every question asked so far, in order.
    const std::deque<std::string>& Questions() const { return FQuestions; }

private:
    mutable std::mutex FLock;
    std::deque<std::function<void()>> FPending;
    std::deque<std::string> FQuestions;
    bool FYesAnswer;
    TSink FSink;
};
