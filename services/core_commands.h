// The core library's commands used by the launcher. Every command takes
// (result record zeroed by the caller, argument count, first argument); an
// omitted optional argument is absent or has type code 0. Texts, byte sets and
// arrays in a result are new runtime blocks owned by the caller.
#pragma once

#include "runtime/value_record.h"

// <windows.h> (and <commdlg.h>) map these names to their A/W functions; the
// commands keep their own names, so include this header after those.
#ifdef MessageBox
#undef MessageBox
#endif
#ifdef FindText
#undef FindText
#endif

namespace services {

#define LUMADREL_COMMAND(name) void name(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments)

// Texts. FindText/FindTextReverse: text, sought, start position?, ignore case?
LUMADREL_COMMAND(FindText);
LUMADREL_COMMAND(FindTextReverse);
LUMADREL_COMMAND(SplitText);     // text, separator? (","), maximum count? -> text array
LUMADREL_COMMAND(CompareText);   // text, text, case-sensitive? -> integer
LUMADREL_COMMAND(TextLeft);      // text, count -> text
LUMADREL_COMMAND(TextLength);    // text -> integer

// Conversions.
LUMADREL_COMMAND(ToText);        // any basic value or numeric array -> text
LUMADREL_COMMAND(ToNumber);      // -> double
LUMADREL_COMMAND(ToInteger);     // -> integer
LUMADREL_COMMAND(ToByteSet);     // -> byte set
LUMADREL_COMMAND(BitOr);         // integer, integer, ... -> integer

// Byte sets.
LUMADREL_COMMAND(ByteSetMiddle);     // byte set, start position (1-based), length -> byte set
LUMADREL_COMMAND(BlankByteSet);      // length -> byte set of zeros
LUMADREL_COMMAND(ByteSetLength);     // byte set -> integer
LUMADREL_COMMAND(PointerToByteSet);  // address (integer, or long integer), length -> byte set

// Random numbers.
LUMADREL_COMMAND(SetRandomSeed);  // seed? (none: from the clock)
LUMADREL_COMMAND(RandomNumber);   // minimum?, maximum? -> integer

// Windows build only.
LUMADREL_COMMAND(ReadConfigItem);   // file name, section, key, default? -> text
LUMADREL_COMMAND(WriteConfigItem);  // file name, section, key?, value? -> bool
LUMADREL_COMMAND(GetRunDirectory);  // -> text, without trailing backslash
// content, flags, title? ("信息："), parent? (a window reference or a
// window handle as integer; only with four arguments) -> pressed button 0..6
LUMADREL_COMMAND(MessageBox);

// Socket client: the first argument is the component.
LUMADREL_COMMAND(Connect);          // client, address, port -> bool
LUMADREL_COMMAND(SendData);         // client, text, byte set or basic value -> bool
LUMADREL_COMMAND(GetReceivedData);  // client -> the bytes of the data-arrival event being dispatched

#undef LUMADREL_COMMAND

}  // namespace services
