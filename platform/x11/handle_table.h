// The handles of windows, their device contexts, OpenGL contexts and GDI objects: one table of
// slots, each counting its generations. A handle is its slot's number with the slot's generation
// above it, so a handle closed once is refused from then on, even after its slot holds another
// object; a value never handed out, or a handle of another kind, is refused too. Nothing is ever
// read through a handle: its object is reached through the table.
#pragma once

namespace platform {

enum class HandleKind : unsigned char { none, window, deviceContext, renderingContext, gdiObject };

// A new handle for `object`, or null when every slot is taken.
void *openHandle(HandleKind kind, void *object);
// The object behind a live handle of the kind, else null.
void *handleObject(const void *handle, HandleKind kind);
// Ends a live handle of the kind; anything else is left as it is.
void closeHandle(const void *handle, HandleKind kind);

} // namespace platform
