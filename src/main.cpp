#include "app/NuvBrowserApp.h"

int main(int argc, char** argv)
{
    return CNuvBrowserApp::Main(argc, argv);
}
