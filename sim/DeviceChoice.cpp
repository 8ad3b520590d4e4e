#include "DeviceChoice.h"

#include "ControlCodes.h"
#include "SimulatedChannel.h"
#include "StateFile.h"

#include <cstdlib>

#ifdef _WIN32
#include "Utf16.h"
#endif

namespace ruva::sim {

namespace {

// The variable's value (UTF-8 on Windows too); empty when unset.
std::string SimulatorVariableValue() {
#ifdef _WIN32
    const wchar_t* value = ::_wgetenv(Widen(SimulatorVariable).c_str());
    return value != nullptr ? Narrow(value) : std::string();
#else
    const char* value = std::getenv(SimulatorVariable);
    return value != nullptr ? value : std::string();
#endif
}

// The window programs' arguments as they read them.
struct WindowProgramArguments {
    std::optional<std::string> Simulator; // the state file of the first --simulator
    std::optional<std::string> Unknown;   // the first argument not taken
};

WindowProgramArguments ReadArguments(std::span<const std::string> args) {
    WindowProgramArguments read;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::optional<std::string> file;
        if (arg.starts_with(SimulatorOption) && arg.size() > SimulatorOption.size() &&
            arg[SimulatorOption.size()] == '=')
            file = std::string(arg.substr(SimulatorOption.size() + 1));
        else if (arg == SimulatorOption)
            file = i + 1 < args.size() && !args[i + 1].starts_with('-') ? args[++i] : std::string();
        if (file && !read.Simulator)
            read.Simulator = std::move(file);
        else if (!read.Unknown)
            read.Unknown = std::string(arg);
    }
    return read;
}

} // namespace

std::optional<std::string> FindSimulatorOption(std::span<const std::string> args) {
    return ReadArguments(args).Simulator;
}

std::optional<std::string> FindUnknownArgument(std::span<const std::string> args) {
    return ReadArguments(args).Unknown;
}

Device MakeDevice(const std::optional<std::string>& simulatorOption) {
    std::string statePath = simulatorOption ? *simulatorOption : SimulatorVariableValue();
    // The default state's folder is made once the state was found usable.
    const bool defaultState = simulatorOption && statePath.empty();
    if (defaultState)
        statePath = DefaultStatePath();
    if (statePath.empty())
        return MakePlatformDevice(DriverDevicePath);
    auto channel = std::make_unique<SimulatedChannel>(statePath, defaultState);
    DeviceTraits traits{statePath, [prefix = channel->StatePath()] { return prefix; }};
    return {std::move(channel), std::move(traits)};
}

} // namespace ruva::sim
