#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace velk {

// A click on an element of the page: its id (Windows-1251), its tag name in
// capitals ("INPUT") and, for check boxes and radio buttons, whether it is
// ticked after the click.
struct ElementClick {
    std::string id;
    std::string tag;
    bool checked = false;
};

// What a page hears from its document while it is shown.
class PageEvents {
  public:
    virtual ~PageEvents() = default;
    virtual void OnDocumentComplete() = 0;
    virtual void OnClick(const ElementClick& click) = 0;
};

// Result a dialog ends with when its window is gone (the user closed it and
// confirmed leaving).
inline constexpr int kDialogClosed = 4;

// The window the wizard's pages are shown in. All calls except Post belong to
// the thread that runs DoModal. Texts and HTML are Windows-1251; an element
// that the document lacks is skipped. Message boxes are modal over the page.
class HtmlDialogHost : public Ui {
  public:
    // Shows the page template of the given HTML resource and handles its
    // events until EndDialog; returns its result, or kDialogClosed when the
    // window went away. Tasks handed to Post run inside this loop.
    virtual int DoModal(int htmlResource, PageEvents& events) = 0;
    virtual void EndDialog(int result) = 0;

    virtual void SetInnerHtml(std::string_view id, std::string_view html) = 0;
    virtual void SetOuterHtml(std::string_view id, std::string_view html) = 0;
    virtual void SetAttribute(std::string_view id, std::string_view name,
                              std::string_view value) = 0;
    virtual void SetText(std::string_view id, std::string_view text) = 0;

    // Whether closing the window asks the user before it leaves.
    virtual void SetAskBeforeLeaving(bool ask) = 0;

    // The installation progress bar: hidden, or shown at percent (0..100).
    virtual void SetProgress(bool visible, int percent) = 0;

    // From any thread: runs task on the dialog's thread inside DoModal or a
    // message box. Tasks posted while no dialog runs wait for the next one.
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace velk
