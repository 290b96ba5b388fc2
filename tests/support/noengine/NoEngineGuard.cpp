// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into the test programs that start no engine (they also run in the sanitizer build,
// where Qt WebEngine cannot run): an HTML pane made without a fake control would start the
// engine; here it gets no control, and the test that made it fails.
#include "panes/BrowserControlFactory.h"

#include <gtest/gtest.h>

namespace {
const CBrowserControlFactory::CScopedMaker g_noEngine([](QWidget*) -> IBrowserControl* {
    ADD_FAILURE() << "this test program starts no engine: its HTML panes need fake controls "
                     "(CFakeControlFactory)";
    return nullptr;
});
} // namespace
