#pragma once
// Which boards the programs work on, decided in this one place for ruvasetw and ruvacfg on every
// platform: boards simulated in process on a state file when the option --simulator or the variable
// RUVA2_SIMULATOR asks for them, the driver's device otherwise. Nothing else ever switches to
// simulated boards: without the option and the variable, a missing driver stays missing.

#include "DeviceChannel.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ruva::sim {

inline constexpr std::string_view SimulatorOption = "--simulator";
inline constexpr char SimulatorVariable[] = "RUVA2_SIMULATOR";

// A window program takes one argument of its own (the program's name left out, and on Linux what Qt
// takes): --simulator, once, as "--simulator FILE", "--simulator=FILE" or "--simulator" alone (the last
// argument, or followed by another option), which asks for the default state file.

// The option's state file, an empty text for the default one; nothing without the option.
std::optional<std::string> FindSimulatorOption(std::span<const std::string> args);

// The first argument that the window program does not take; nothing when it takes them all. The
// program then shows texts::UnknownOption with it and ends with ExitUnknownOption, before it opens a
// window or the device.
std::optional<std::string> FindUnknownArgument(std::span<const std::string> args);
inline constexpr int ExitUnknownOption = 2;

// The device the programs open: with `simulatorOption` (an empty text: DefaultStatePath(), whose
// folder is created), else with RUVA2_SIMULATOR set to a file name, boards simulated in process on that
// state file, which keep their files beside it; otherwise the platform's device.
Device MakeDevice(const std::optional<std::string>& simulatorOption);

} // namespace ruva::sim
