#include "Ruvacfg.h"

#include "AuditTrail.h"
#include "DeviceChoice.h"
#include "TerminationHold.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

namespace ruva::tool {

int RunRuvacfg(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    const std::unique_ptr<AuditLog> log = MakeSystemAuditLog("ruvacfg");
    return RunRuvacfg(args, std::cin, out, err, {}, log.get());
}

namespace {

// What the program prints when its time limit ends it, on a line of its own: `lineEnd` "\r\n" when it
// is written past the C runtime's text mode on Windows.
std::string TimeUpMessage(unsigned seconds, std::string_view lineEnd = "\n") {
    return "error: the time limit of " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds") +
           " (--timeout) ran out" + std::string(lineEnd);
}

// A buffer that hands everything to another one and, at the first byte, tells the time limit that a
// result has begun (see OweResult).
class FirstByteWatch final : public std::streambuf {
public:
    explicit FirstByteWatch(std::streambuf* next) : next_(next) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        Begun();
        return next_->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        if (count > 0)
            Begun();
        return next_->sputn(data, count);
    }
    int sync() override { return next_->pubsync(); }

private:
    void Begun() {
        if (!begun_)
            OweResult();
        begun_ = true;
    }

    std::streambuf* next_;
    bool begun_ = false;
};

} // namespace

struct ResultOutput::Watch {
    explicit Watch(std::ostream& out) : Stream(out), Old(out.rdbuf()), Buffer(Old) {}
    std::ostream& Stream;
    std::streambuf* Old;
    FirstByteWatch Buffer;
};

ResultOutput::ResultOutput(std::ostream& out) : watch_(std::make_unique<Watch>(out)) {
    out.rdbuf(&watch_->Buffer);
}

ResultOutput::~ResultOutput() {
    watch_->Stream.flush();
    watch_->Stream.rdbuf(watch_->Old);
}

int RunRuvacfg(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err,
               DeviceMaker makeDevice, AuditLog* auditLog, TimeLimiter limitTime) {
    CLI::App program("Command-line companion of RuvasetW: checks and shows Ruva-2 configuration files and\n"
                     "moves configurations between files and boards.",
                     "ruvacfg");
    // A name such as /x.cfg or \\server\share\x.cfg is a file, never an option, on Windows too.
    program.allow_windows_style_options(false);
    program.require_subcommand(1);
    program.footer("Exit codes: 0 done (for 'board write' also when the configuration remains the same),\n"
                   "1 a file or a board failed, 2 the command line was wrong, 124 --timeout ran out;\n"
                   "'board diff' exits 1 when the settings differ and 2 on any error.\n"
                   "'ruvacfg COMMAND --help' describes a command.");
    // The time limit, once armed: the whole result is printed before the program ends for it.
    std::optional<unsigned> limit;
    NoAuditLog noLog;
    AuditTrail audit(auditLog != nullptr ? *auditLog : noLog, "ruvacfg");
    ToolContext context{out, err, in, std::move(makeDevice)};
    context.Audit = &audit;
    if (!context.MakeDevice)
        context.MakeDevice = [&context] { return sim::MakeDevice(context.Simulator); };
    // Before the command, and never a command's name as its file: "--simulator board list".
    program
        .add_option_function<std::string>(
            std::string(sim::SimulatorOption),
            [&context](const std::string& file) { context.Simulator = file; },
            "work on boards simulated in process, kept in the state FILE (without FILE: the default one)")
        ->expected(0, 1)
        ->default_str("")
        ->type_name("[FILE]");
    program
        .add_option_function<unsigned>(
            "--timeout",
            [&limitTime, &limit](unsigned seconds) {
                if (seconds == 0 || !limitTime)
                    return;
                limit = seconds;
#ifdef _WIN32
                limitTime(seconds, ExitTimedOut, TimeUpMessage(seconds, "\r\n"));
#else
                limitTime(seconds, ExitTimedOut, TimeUpMessage(seconds));
#endif
            },
            "end after SECONDS (0: no limit) with exit code 124; a board transfer under way is first "
            "finished or rolled back, and a result begun (board write --json: its object) printed whole")
        ->check(CLI::Range(0u, 1'000'000u))
        ->type_name("SECONDS");
    for (AddCommand add : Commands)
        add(program, context);

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // the parser takes them last first
    try {
        program.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << program.help();
        return ExitOk;
    } catch (const CLI::CallForAllHelp&) {
        out << program.help("", CLI::AppFormatMode::All);
        return ExitOk;
    } catch (const CLI::ParseError& e) {
        err << "ruvacfg: " << e.what() << "\nRun 'ruvacfg --help' for usage.\n";
        return ExitUsage;
    }
    // A result that never reached the standard output (a full disk, say) is no success.
    const bool written = static_cast<bool>(out.flush());
    if (!written)
        err << "ruvacfg: the standard output could not be written\n";
    // The limit fell while the result was owed: it has been printed whole, and the limit has its say.
    if (limit && TimeIsUp()) {
        err << TimeUpMessage(*limit);
        return ExitTimedOut;
    }
    if (!written)
        return context.ExitCode == ExitOk ? ExitFailed : context.ExitCode;
    return context.ExitCode;
}

} // namespace ruva::tool
