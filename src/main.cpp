// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NuvBrowserApp.h"

int main(int argc, char** argv)
{
    return CNuvBrowserApp::Main(argc, argv);
}
