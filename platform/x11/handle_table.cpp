#include "platform/x11/handle_table.h"

#include <cstdint>

namespace {

struct Slot {
    platform::HandleKind kind; // none while free
    std::uint16_t generation;  // of the last handle handed out, 0 before the first
    void *object;
};

// Room for every window with its device context, every OpenGL context, every font and all the
// stock objects at once.
constexpr std::uintptr_t capacity = 64;
Slot slots[capacity];

// The low 16 bits of a handle number its slot from 0x20 up, the bits above hold the generation,
// 1 to 0xFFFF, as Wine builds its handles: no handle is below 0x10000 and none is above 32 bits.
constexpr std::uintptr_t firstNumber = 0x20;
constexpr int generationShift = 16;

Slot *liveSlot(const void *handle, platform::HandleKind kind) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const std::uintptr_t index = (value & 0xFFFF) - firstNumber; // wraps round below the first
    if (index >= capacity) {
        return nullptr;
    }
    Slot &slot = slots[index];
    const bool live = kind != platform::HandleKind::none && slot.kind == kind &&
                      value >> generationShift == slot.generation;
    return live ? &slot : nullptr;
}

} // namespace

namespace platform {

void *openHandle(HandleKind kind, void *object) {
    for (std::uintptr_t index = 0; index < capacity; ++index) {
        Slot &slot = slots[index];
        if (slot.kind != HandleKind::none) {
            continue;
        }
        slot.kind = kind;
        slot.object = object;
        slot.generation =
            static_cast<std::uint16_t>(slot.generation == 0xFFFF ? 1 : slot.generation + 1);
        const std::uintptr_t value =
            std::uintptr_t{slot.generation} << generationShift | (firstNumber + index);
        return reinterpret_cast<void *>(value);
    }
    return nullptr;
}

void *handleObject(const void *handle, HandleKind kind) {
    const Slot *slot = liveSlot(handle, kind);
    return slot != nullptr ? slot->object : nullptr;
}

void closeHandle(const void *handle, HandleKind kind) {
    Slot *slot = liveSlot(handle, kind);
    if (slot != nullptr) {
        slot->kind = HandleKind::none;
    }
}

} // namespace platform
