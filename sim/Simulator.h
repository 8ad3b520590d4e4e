#pragma once
// The simulated driver: answers one control request at a time from the state of its virtual boards,
// with the block sizes and layouts of the real driver, and keeps the state stored after every change.

#include "SimState.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ruva::sim {

struct Answer {
    bool Ok = true;                 // false: the request failed
    std::vector<std::uint8_t> Data; // the bytes returned
};

struct Outcome {
    Answer Reply;
    std::string Summary;      // one log line: request name, board, result
    std::string PersistError; // set when a change could not be stored (the change is then undone)
};

class Simulator {
public:
    // Stores the state after a change; empty on success, otherwise the reason.
    using Persist = std::function<std::string(const SimState&)>;

    explicit Simulator(SimState state, Persist persist = {});

    // One control request: its code, input block and the capacity of the reply block. A request the
    // driver does not know, or a reply capacity too small for the reply, fails the request; a wrong input
    // length, an unknown board, a wrong access code or I/O base address answer a status and change nothing.
    Outcome Handle(std::uint32_t code, std::span<const std::uint8_t> input, std::uint32_t capacity);

    const SimState& State() const { return state_; }
    // Sets the boards back to `earlier` and stores that (a change whose answer reached nobody). Empty on
    // success, otherwise why it could not be stored.
    std::string Restore(const SimState& earlier);

private:
    Answer Dispatch(const RequestLayout& layout, std::span<const std::uint8_t> input, std::string& board,
                    std::string& note);
    Answer Serve(const RequestLayout& layout, SimBoard* board, std::span<const std::uint8_t> input,
                 bool readBackDiffers);
    Answer ErrorText(std::uint32_t number) const;

    SimState state_;
    Persist persist_;
};

using OutcomeObserver = std::function<void(const Outcome&)>;

// Serves the complete request frames at the start of `input`: each is taken out of `input`, handled,
// passed to `observe` and its answer frame appended to `output`; a partial frame stays for later, and so
// do the frames met once `output` holds `outputLimit` bytes. False when a malformed frame was met
// (`reason` says how); the connection is then to be closed.
bool ServeFrames(Simulator& simulator, std::vector<std::uint8_t>& input, std::vector<std::uint8_t>& output,
                 std::string& reason, const OutcomeObserver& observe = {},
                 std::size_t outputLimit = SIZE_MAX);

} // namespace ruva::sim
