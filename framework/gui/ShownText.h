#pragma once

#include "framework/core/ByteString.h"

#include <QString>

// Bytes in the display character set as the window shows them and screen
// readers read them: every character that would draw as nothing, move the
// text about or reorder it shows as a visible mark instead, so that each
// byte of a name shows and no name draws as another. C0 controls and DEL
// are their Control Pictures (U+2409 for TAB); C1 controls and the
// bidirectional marks, embeddings, overrides and isolates are U+2426, the
// picture for a character put in another's place.
QString Shown(const ByteString& bytes);
