#include "app/web_page_child.h"

#include "ui/base_window.h"
#include "ui/game_scene_windows.h"
#include "ui/window_mgr.h"

namespace {

IWebPageView* WebPage() {
    CBaseWindow* window = g_pWindowMgr ? g_pWindowMgr->FindWindowByName("WebWindow", 0, true) : nullptr;
    return dynamic_cast<IWebPageView*>(window);
}

}  // namespace

bool CWebPageChildWindow::IsShown() {
    IWebPageView* page = WebPage();
    return page && page->IsPageOpen();
}

void CWebPageChildWindow::ForwardKey(uint32_t, plat::WParam, plat::LParam) {
    // No native control stands over the game: the main window keeps the keys.
}

void CWebPageChildWindow::Close() {
    if (IWebPageView* page = WebPage()) page->ClosePage();
}
