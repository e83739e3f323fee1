#pragma once

#include "model/ChoiceList.h"

#include <string>
#include <string_view>
#include <vector>

// Conversions between a setting as the gateway stores it and as a page shows
// it. None of them loses a stored value the page does not know: such a value
// is shown as it stands and written back unchanged unless the user replaces it.

// Mobile band. The gateway stores a sum of 1 = 850 MHz, 2 = 900 MHz,
// 4 = 1800 MHz, 8 = 1900 MHz; the page offers the combinations in this table.

// The band list's entries in display order, one per line.
const std::string& BandChoices();
// The table's text for the stored number (leading zeros and trailing text
// ignored, as for any integer setting); a number the table lacks becomes
// "Band value " followed by the stored text.
std::string BandForDisplay(const std::string& stored);
// The number of a table entry; "Band value X" gives X back as it was stored;
// anything else gives the empty text.
std::string BandForStorage(const std::string& shown);

// Remote management server address, stored with the "en://" scheme in front.

// The part after the first "en://"; an address without one is shown whole.
std::string AddressForDisplay(const std::string& stored);
// What to store for the shown text: the stored address itself while the shown
// text is still what AddressForDisplay made of it, a typed text starting with
// "en://" as typed, any other text with "en://" in front ("" gives "en://").
std::string AddressForStorage(const std::string& shown, const std::string& stored);

// Remote management timeouts: seconds as stored, hours/minutes/seconds as
// shown. A negative stored value switches the timeout off.

inline constexpr int kTimeoutOff = -32768;

struct TimeoutFields {
    bool enabled = false;
    int hours = 0;
    int minutes = 0;
    int seconds = 10;

    bool operator==(const TimeoutFields&) const = default;
};

// Off (and 0:00:10 in the fields) for a negative value.
TimeoutFields DecodeTimeout(int seconds);
// kTimeoutOff when off.
int EncodeTimeout(const TimeoutFields& fields);
// What to store for the fields: `stored` itself while the fields still say what
// it decodes to, so that an untouched pause goes back exactly as read (an off
// pause stored as -1 stays -1).
int EncodeTimeout(const TimeoutFields& fields, int stored);

struct FieldRange {
    int low;
    int high;
};

// 60 minutes and 60 seconds are accepted, as the gateway always did.
inline constexpr FieldRange kHoursRange{0, 9};
inline constexpr FieldRange kMinutesRange{0, 60};
inline constexpr FieldRange kSecondsRange{0, 60};

// A decimal integer, white space around it allowed, within the range.
bool ParseInRange(std::string_view text, FieldRange range, int& value);
