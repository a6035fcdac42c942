#include "Cli.h"

#include <ostream>

#include "CliCommands.h"
#include "Version.h"

bool TCliArgs::TakeFlag(const std::string& name) {
    for (auto it = FArgs.begin(); it != FArgs.end(); ++it)
        if (*it == name) {
            FArgs.erase(it);
            return true;
        }
    return false;
}

std::optional<std::string> TCliArgs::TakeOption(const std::string& name) {
    const std::string prefix = name + "=";
    for (auto it = FArgs.begin(); it != FArgs.end(); ++it) {
        if (it->rfind(prefix, 0) == 0) {
            std::string value = it->substr(prefix.size());
            FArgs.erase(it);
            return value;
        }
        if (*it == name) {
            if (it + 1 == FArgs.end()) {
                FError = name + " needs a value";
                FArgs.erase(it);
                return std::nullopt;
            }
            std::string value = *(it + 1);
            FArgs.erase(it, it + 2);
            return value;
        }
    }
    return std::nullopt;
}

std::string TCliArgs::UnknownOption() const {
    for (const auto& a : FArgs)
        if (a.size() > 1 && a[0] == '-' && a != "-")
            return a;
    return {};
}

int CliFail(TCliContext& ctx, int status, const std::string& what, const std::string& why) {
    ctx.Err << "kzdctl: " << what << ": " << why << "\n";
    return status;
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "kzdctl " KZD_FILE_VERSION " - the command-line companion of KZD Control Center\n\n"
           "Usage: kzdctl [--device sim|sim:fresh|sim:PATH|link:DIR|usb] [--id KIND:CONN:NUMBER] COMMAND ...\n\n"
           "Commands:\n";
    for (const auto& c : CliCommands())
        out << "  " << c.Usage << "\n      " << c.Help << "\n";
    out << "\n  kzdctl COMMAND --help describes one command.\n"
           "Exit status: 0 success, 1 the operation failed, 2 bad usage or unreadable input file.\n";
}

const TCliCommand* FindCommand(const std::vector<std::string>& words, std::size_t& used) {
    const TCliCommand* best = nullptr;
    for (const auto& c : CliCommands()) {
        if (c.Words.size() > words.size())
            continue;
        bool match = true;
        for (std::size_t i = 0; i < c.Words.size() && match; ++i)
            match = c.Words[i] == words[i];
        if (match && (!best || c.Words.size() > best->Words.size()))
            best = &c;
    }
    used = best ? best->Words.size() : 0;
    return best;
}

}  // namespace

int RunKzdctl(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    TCliArgs args(argv);
    if (args.TakeFlag("--version")) {
        out << "kzdctl " KZD_FILE_VERSION "\n";
        return KZD_EXIT_OK;
    }
    const bool help = args.TakeFlag("--help") || args.TakeFlag("-h");
    TCliContext ctx{args, out, err, std::nullopt, std::nullopt, false};
    ctx.Device = args.TakeOption("--device");
    ctx.Id = args.TakeOption("--id");
    ctx.Json = args.TakeFlag("--json");
    if (!args.Error().empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", args.Error());

    // The command words are the leading words before any option or file name.
    std::vector<std::string> words;
    for (const auto& w : args.Words()) {
        if (w.empty() || w[0] == '-')
            break;
        words.push_back(w);
    }
    std::size_t used = 0;
    const TCliCommand* command = FindCommand(words, used);
    if (!command) {
        if (help || words.empty()) {
            PrintHelp(out);
            return help ? KZD_EXIT_OK : KZD_EXIT_USAGE;
        }
        return CliFail(ctx, KZD_EXIT_USAGE, "unknown command '" + words[0] + "'", "see kzdctl --help");
    }
    if (help) {
        out << "Usage: kzdctl " << command->Usage << "\n" << command->Help << "\n";
        return KZD_EXIT_OK;
    }
    std::vector<std::string> rest(args.Words().begin() + static_cast<long>(used), args.Words().end());
    TCliArgs commandArgs(rest);
    TCliContext commandCtx{commandArgs, out, err, ctx.Device, ctx.Id, ctx.Json};
    return command->Run(commandCtx);
}
