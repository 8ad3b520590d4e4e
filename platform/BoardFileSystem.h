#pragma once
// What BoardFile asks of the system, one implementation per platform.

#include "BoardFile.h"

#include <memory>
#include <string>
#include <string_view>

namespace ruva::boardfile {

// Opens or creates the file at `path` and tries once to lock it. On Locked, `held` owns the locked file.
BoardFile::Status TryLock(const std::string& path, std::shared_ptr<BoardFile::Held>& held, std::string& error);

// Whether the file has content; true when it cannot be read.
bool Marked(const BoardFile::Held& held);

// Makes `text` the file's whole content, durably.
bool Store(BoardFile::Held& held, std::string_view text);

// The content of the file at `path` while another process holds its lock; empty otherwise.
std::string HeldText(const std::string& path);

// The content of a marked file.
inline constexpr char MarkText[] = "clock may differ from the stored configuration\n";

} // namespace ruva::boardfile
