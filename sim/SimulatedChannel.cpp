#include "SimulatedChannel.h"

#include "ControlCodes.h"
#include "MessageFormat.h"
#include "SimState.h"
#include "Simulator.h"
#include "StateFile.h"
#include "Texts.h"

#include <algorithm>

namespace ruva::sim {

SimulatedChannel::SimulatedChannel(const std::string& statePath, bool createFolder)
    : createFolder_(createFolder) {
    path_ = ResolveStatePath(statePath, unresolved_);
}

bool SimulatedChannel::Fail(const std::string& problem) {
    reason_ = problem;
    problem_ = "Simulated boards: " + problem;
    return false;
}

bool SimulatedChannel::WithSimulator(const std::function<void(Simulator&)>& use) {
    if (path_.empty())
        return Fail(unresolved_);
    // Nothing is made (the folder, the lock) before the state was found usable.
    if (!usable_) {
        if (std::string error = CheckStateUsable(path_); !error.empty())
            return Fail(error);
        // A folder that cannot be made shows when the lock is made.
        if (createFolder_)
            CreateStateFolder(path_);
        usable_ = true;
    }
    StateLock lock;
    if (std::string error = lock.Acquire(path_, BesideState(path_, ".lock")); !error.empty())
        return Fail(error);
    LoadedState loaded = LoadStateFile(path_);
    if (!loaded.Missing && !loaded.State)
        return Fail(loaded.Error);
    if (loaded.Missing) {
        loaded.State = FreshState(2);
        if (std::string error = SaveStateFile(path_, *loaded.State); !error.empty())
            return Fail("cannot store a fresh state: " + error);
    }
    std::string persistError;
    Simulator simulator(std::move(*loaded.State), [this, &persistError](const SimState& state) {
        persistError = SaveStateFile(path_, state);
        return persistError;
    });
    use(simulator);
    if (!persistError.empty())
        Fail("the change could not be stored, so it was undone: " + persistError);
    return true;
}

bool SimulatedChannel::Open(const std::string&) {
    problem_.clear();
    // Boards whose changes could not be stored are of no use either: a state that cannot be written is
    // refused from the start, as one that cannot be read, instead of failing every save.
    std::string unwritable;
    if (WithSimulator([&](Simulator&) { unwritable = CheckStateWritable(path_); }) && unwritable.empty())
        return true;
    problem_ = FormatText(texts::SimulatedBoardsUnusable, {unwritable.empty() ? reason_ : unwritable});
    return false;
}

std::optional<std::size_t> SimulatedChannel::Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                                     std::span<std::uint8_t> output) {
    // The error text explains the request before it: what went wrong with that one stays to be told.
    if (code != static_cast<std::uint32_t>(Request::GetErrorText))
        problem_.clear();
    Answer reply;
    if (!WithSimulator([&](Simulator& simulator) {
            reply = simulator.Handle(code, input, static_cast<std::uint32_t>(output.size())).Reply;
        }) ||
        !reply.Ok)
        return std::nullopt;
    const std::size_t size = std::min(reply.Data.size(), output.size());
    std::copy_n(reply.Data.begin(), size, output.begin());
    return size;
}

} // namespace ruva::sim
