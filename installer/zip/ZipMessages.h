#pragma once
// The zip component's message table, looked up by id.
#include "core/ZipMessageIds.h"

// The text of a message id, or nullptr when the table has no such id.
const wchar_t* ZipMessageText(int id);
// How many ids the table holds.
int ZipMessageCount();
