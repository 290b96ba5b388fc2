// SPDX-License-Identifier: GPL-3.0-or-later
// One libFuzzer target; NUV_FUZZ_ENTRY names the entry function it drives.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NUV_FUZZ_ENTRY(data, size);
    return 0;
}
