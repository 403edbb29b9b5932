// CGeneral, the tree control's "General" property page: its style flags, whether items can be
// dragged, and its border effect, laid out in dialog units on the page's own font as the page's
// dialog describes it. The page reads the control only when it edits exactly one; Apply writes
// back only what a page that was read can know.
#pragma once

#include "arbor/arbor.h"
#include "platform/com/ole/propertyframe.h"

#include <QPointer>

#include <array>

class QCheckBox;
class QComboBox;
class QWidget;

namespace arbor {

class CGeneral final : public platform::com::ComObject<CGeneral, IPropertyPage> {
public:
    CGeneral() noexcept = default;
    ~CGeneral() override;

    // The check boxes 204..210 in the order of kStyleBoxes (cgeneral.cpp), the drop-down 217.
    static constexpr int kDisableDragBox = 207;
    static constexpr int kBorderList = 217;

    HRESULT SetPageSite(IPropertyPageSite *pPageSite) noexcept override;
    HRESULT Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) noexcept override;
    HRESULT Deactivate() noexcept override;
    HRESULT GetPageInfo(PROPPAGEINFO *pPageInfo) noexcept override;
    HRESULT SetObjects(ULONG cObjects, IUnknown **ppUnk) noexcept override;
    HRESULT Show(UINT nCmdShow) noexcept override;
    HRESULT Move(LPCRECT pRect) noexcept override;
    HRESULT IsPageDirty() noexcept override { return m_dirty ? S_OK : S_FALSE; }
    HRESULT Apply() noexcept override;
    HRESULT Help(LPCOLESTR pszHelpDir) noexcept override;
    HRESULT TranslateAccelerator(MSG *) noexcept override { return S_FALSE; }

    // The page's size in pixels: the dialog's size in dialog units on the page's font.
    static SIZE pageSize();

private:
    void fill();
    void markDirty();

    ComPtr<IPropertyPageSite> m_site;
    ComPtr<IArbor> m_object; // the one control the page edits; null for none or several
    QPointer<QWidget> m_widget;
    std::array<QCheckBox *, 7> m_boxes {}; // 204..210, children of m_widget
    QComboBox *m_border = nullptr;
    bool m_read = false; // the controls hold the object's values: Apply may write them
    bool m_filling = false; // changes the page makes itself are no edits
    bool m_dirty = false;
};

HRESULT getGeneralFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor
