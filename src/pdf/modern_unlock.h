// The modern reader's unlocking: every revision of the standard security handler, user and
// owner password, crypt filters; other security handlers are refused with one message.
#pragma once

#include "pdf/doc_reader.h"
#include "pdf/unlock.h"

namespace paginor {

// What UnlockDocument does for a modern reader: the same prompts in the same order; a
// handler it does not know gets TPasswordPrompt::Unsupported and Invalid, without a prompt.
bool UnlockModern(TDocReader& reader, TPasswordPrompt& prompt);

}  // namespace paginor
