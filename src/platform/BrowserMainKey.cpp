#include "BrowserMainKey.h"

#include "StartPageFile.h"

QString CBrowserMainKey::DefaultStartPage()
{
    return CStartPageFile::Address();
}

QString CBrowserMainKey::DefaultSearchPage()
{
    return QStringLiteral("https://duckduckgo.com/");
}
