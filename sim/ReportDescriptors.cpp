#include "sim/ReportDescriptors.h"

namespace sim {
namespace {

// Item prefixes are written as bytes; each line is one item.
constexpr uint8_t kBootKeyboard[] = {
    0x05, 0x01,        // usage page: generic desktop
    0x09, 0x06,        // usage: keyboard
    0xA1, 0x01,        // collection: application
    0x05, 0x07,        //   usage page: keyboard
    0x19, 0xE0,        //   usage minimum: left control
    0x29, 0xE7,        //   usage maximum: right GUI
    0x15, 0x00,        //   logical minimum 0
    0x25, 0x01,        //   logical maximum 1
    0x75, 0x01,        //   report size 1
    0x95, 0x08,        //   report count 8
    0x81, 0x02,        //   input: modifiers
    0x95, 0x01,        //   report count 1
    0x75, 0x08,        //   report size 8
    0x81, 0x01,        //   input: reserved byte (constant)
    0x95, 0x05,        //   report count 5
    0x75, 0x01,        //   report size 1
    0x05, 0x08,        //   usage page: LEDs
    0x19, 0x01,        //   usage minimum: num lock
    0x29, 0x05,        //   usage maximum: kana
    0x91, 0x02,        //   output: LEDs
    0x95, 0x01,        //   report count 1
    0x75, 0x03,        //   report size 3
    0x91, 0x01,        //   output: padding
    0x95, 0x06,        //   report count 6
    0x75, 0x08,        //   report size 8
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x00,  //   logical maximum 255
    0x05, 0x07,        //   usage page: keyboard
    0x19, 0x00,        //   usage minimum 0
    0x2A, 0xFF, 0x00,  //   usage maximum 255
    0x81, 0x00,        //   input: key array
    0xC0,              // end collection
};

// The command collection: 63 vendor bytes each way behind report id 4.
#define ZELKAR_COMMAND_COLLECTION                                                              \
    0x06, 0x1C, 0xFF,  /* usage page: vendor 0xFF1C */                                         \
    0x09, 0x92,        /* usage 0x92 */                                                        \
    0xA1, 0x01,        /* collection: application */                                           \
    0x85, 0x04,        /*   report id 4 */                                                     \
    0x09, 0x01,        /*   usage 1 */                                                         \
    0x15, 0x00,        /*   logical minimum 0 */                                               \
    0x26, 0xFF, 0x00,  /*   logical maximum 255 */                                             \
    0x75, 0x08,        /*   report size 8 */                                                   \
    0x95, 0x3F,        /*   report count 63 */                                                 \
    0x81, 0x02,        /*   input: answer */                                                   \
    0x09, 0x02,        /*   usage 2 */                                                         \
    0x91, 0x02,        /*   output: request */                                                 \
    0xC0               /* end collection */

constexpr uint8_t kKeyboardExtras[] = {
    // 1: system control, report id 1
    0x05, 0x01,        // usage page: generic desktop
    0x09, 0x80,        // usage: system control
    0xA1, 0x01,        // collection: application
    0x85, 0x01,        //   report id 1
    0x19, 0x81,        //   usage minimum: power down
    0x29, 0x83,        //   usage maximum: wake up
    0x15, 0x00,        //   logical minimum 0
    0x25, 0x01,        //   logical maximum 1
    0x75, 0x01,        //   report size 1
    0x95, 0x03,        //   report count 3
    0x81, 0x02,        //   input: power, sleep, wake
    0x95, 0x05,        //   report count 5
    0x81, 0x01,        //   input: padding
    0xC0,              // end collection
    // 2: N-key rollover keyboard, report id 2
    0x05, 0x01,        // usage page: generic desktop
    0x09, 0x06,        // usage: keyboard
    0xA1, 0x01,        // collection: application
    0x85, 0x02,        //   report id 2
    0x05, 0x07,        //   usage page: keyboard
    0x19, 0x04,        //   usage minimum: a
    0x29, 0x70,        //   usage maximum: F21
    0x15, 0x00,        //   logical minimum 0
    0x25, 0x01,        //   logical maximum 1
    0x75, 0x01,        //   report size 1
    0x95, 0x6D,        //   report count 109
    0x81, 0x02,        //   input: one bit per key
    0x95, 0x03,        //   report count 3
    0x81, 0x01,        //   input: padding to 14 bytes
    0xC0,              // end collection
    // 3: consumer control, report id 3
    0x05, 0x0C,        // usage page: consumer
    0x09, 0x01,        // usage: consumer control
    0xA1, 0x01,        // collection: application
    0x85, 0x03,        //   report id 3
    0x19, 0x00,        //   usage minimum 0
    0x2A, 0xFF, 0x0F,  //   usage maximum 0x0FFF
    0x15, 0x00,        //   logical minimum 0
    0x26, 0xFF, 0x0F,  //   logical maximum 0x0FFF
    0x75, 0x10,        //   report size 16
    0x95, 0x01,        //   report count 1
    0x81, 0x00,        //   input: one usage slot (array)
    0xC0,              // end collection
    // 4: the command collection, report id 4
    ZELKAR_COMMAND_COLLECTION,
};

constexpr uint8_t kBootMouse[] = {
    0x05, 0x01,        // usage page: generic desktop
    0x09, 0x02,        // usage: mouse
    0xA1, 0x01,        // collection: application
    0x09, 0x01,        //   usage: pointer
    0xA1, 0x00,        //   collection: physical
    0x05, 0x09,        //     usage page: buttons
    0x19, 0x01,        //     usage minimum 1
    0x29, 0x05,        //     usage maximum 5
    0x15, 0x00,        //     logical minimum 0
    0x25, 0x01,        //     logical maximum 1
    0x75, 0x01,        //     report size 1
    0x95, 0x05,        //     report count 5
    0x81, 0x02,        //     input: buttons
    0x75, 0x03,        //     report size 3
    0x95, 0x01,        //     report count 1
    0x81, 0x01,        //     input: padding
    0x05, 0x01,        //     usage page: generic desktop
    0x09, 0x30,        //     usage: x
    0x09, 0x31,        //     usage: y
    0x09, 0x38,        //     usage: wheel
    0x15, 0x81,        //     logical minimum -127
    0x25, 0x7F,        //     logical maximum 127
    0x75, 0x08,        //     report size 8
    0x95, 0x03,        //     report count 3
    0x81, 0x06,        //     input: relative x, y, wheel
    0xC0,              //   end collection
    0xC0,              // end collection
};

constexpr uint8_t kCommandOnly[] = {ZELKAR_COMMAND_COLLECTION};

#undef ZELKAR_COMMAND_COLLECTION

}  // namespace

std::span<const uint8_t> bootKeyboardDescriptor() { return kBootKeyboard; }
std::span<const uint8_t> keyboardExtrasDescriptor() { return kKeyboardExtras; }
std::span<const uint8_t> bootMouseDescriptor() { return kBootMouse; }
std::span<const uint8_t> commandOnlyDescriptor() { return kCommandOnly; }

}  // namespace sim
