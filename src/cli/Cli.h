#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The command line of kzdctl, split into the options every command shares
// and the words and options of the command itself.
class TCliArgs {
public:
    explicit TCliArgs(std::vector<std::string> args) : FArgs(std::move(args)) {}

    // Removes "--name" and reports whether it was there.
    bool TakeFlag(const std::string& name);
    // Removes "--name VALUE" or "--name=VALUE" and returns VALUE. A name with
    // no value after it is recorded as a usage error.
    std::optional<std::string> TakeOption(const std::string& name);
    // The words left, in order (after the options were taken).
    const std::vector<std::string>& Words() const { return FArgs; }
    // An option still in the list (unknown to the command), or empty.
    std::string UnknownOption() const;
    const std::string& Error() const { return FError; }

private:
    std::vector<std::string> FArgs;
    std::string FError;
};

// What a command gets: its arguments (the command words removed), the shared
// options and the streams to write to.
struct TCliContext {
    TCliArgs& Args;
    std::ostream& Out;
    std::ostream& Err;
    std::optional<std::string> Device;  // --device
    std::optional<std::string> Id;      // --id KIND:CONN:NUMBER
    bool Json = false;                  // --json
};

// Exit statuses of every command.
enum : int { KZD_EXIT_OK = 0, KZD_EXIT_FAILED = 1, KZD_EXIT_USAGE = 2 };

// Writes the one-line error form "kzdctl: <what>: <why>" and returns status.
int CliFail(TCliContext& ctx, int status, const std::string& what, const std::string& why);

// Runs kzdctl with argv[1..]; returns the exit status.
int RunKzdctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
