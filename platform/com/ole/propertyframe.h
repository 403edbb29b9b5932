// Property pages and the property frame: an object names the pages that edit it
// (ISpecifyPropertyPages), each page is a component with its own window (IPropertyPage), and
// OleCreatePropertyFrame shows the pages of one or more objects as tabs of a Qt dialog with OK,
// Cancel and Apply. Apply is enabled while a page reports itself dirty; Apply and OK apply only
// dirty pages; Cancel applies nothing. The stock colour page edits a control's OLE_COLOR
// properties (BackColor, ForeColor, FillColor, BorderColor, whichever the objects have).
//
// Tests never run the dialog's modal loop: a PropertyFrameDriver installed in the process gets the
// frame instead and presses its buttons.
#pragma once

#include "platform/com/ole/oleidl.h"

#include <QString>

#include <vector>

class QWidget;

inline constexpr CLSID CLSID_StockColorPage = guid("{7EBDAAE1-8120-11CF-899F-00AA00688B10}");

struct CAUUID {
    ULONG cElems;
    GUID *pElems; // CoTaskMemAlloc'd; the caller frees it
};

struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle; // strings are CoTaskMemAlloc'd; the caller frees them
    SIZE size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

inline constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
inline constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
inline constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

struct ISpecifyPropertyPages : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT GetPages(CAUUID *pPages) noexcept = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

struct IPropertyPageSite : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B28C-BAB4-101A-B69C-00AA00341D07}");
    // PROPPAGESTATUS_DIRTY: the page changed (the frame enables Apply).
    [[nodiscard]] virtual HRESULT OnStatusChange(DWORD dwFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetLocaleID(LCID *pLocaleID) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetPageContainer(IUnknown **ppUnk) noexcept = 0;
    [[nodiscard]] virtual HRESULT TranslateAccelerator(MSG *pMsg) noexcept = 0;

protected:
    ~IPropertyPageSite() = default;
};

struct IPropertyPage : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT SetPageSite(IPropertyPageSite *pPageSite) noexcept = 0;
    // Creates the page's window as a child of hWndParent on pRect.
    [[nodiscard]] virtual HRESULT Activate(
        HWND hWndParent, LPCRECT pRect, BOOL bModal) noexcept = 0;
    [[nodiscard]] virtual HRESULT Deactivate() noexcept = 0;
    [[nodiscard]] virtual HRESULT GetPageInfo(PROPPAGEINFO *pPageInfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetObjects(ULONG cObjects, IUnknown **ppUnk) noexcept = 0;
    [[nodiscard]] virtual HRESULT Show(UINT nCmdShow) noexcept = 0;
    [[nodiscard]] virtual HRESULT Move(LPCRECT pRect) noexcept = 0;
    // S_OK when dirty, S_FALSE when clean.
    [[nodiscard]] virtual HRESULT IsPageDirty() noexcept = 0;
    [[nodiscard]] virtual HRESULT Apply() noexcept = 0;
    [[nodiscard]] virtual HRESULT Help(LPCOLESTR pszHelpDir) noexcept = 0;
    [[nodiscard]] virtual HRESULT TranslateAccelerator(MSG *pMsg) noexcept = 0;

protected:
    ~IPropertyPage() = default;
};

inline constexpr IID IID_ISpecifyPropertyPages = ISpecifyPropertyPages::iid;
inline constexpr IID IID_IPropertyPage = IPropertyPage::iid;
inline constexpr IID IID_IPropertyPageSite = IPropertyPageSite::iid;

// Shows the pages (created by class identifier) for the objects, modally, owned by hwndOwner (0
// for none) at x, y in the owner's coordinates. Returns S_OK when the frame closed, whatever
// button closed it; E_INVALIDARG when there are no objects or no pages; E_POINTER for null
// arrays; the creation error of a page that cannot be created (nothing is shown then).
[[nodiscard]] HRESULT OleCreatePropertyFrame(HWND hwndOwner, UINT x, UINT y, LPCOLESTR lpszCaption,
    ULONG cObjects, IUnknown **ppUnk, ULONG cPages, LPCLSID pPageClsID, LCID lcid, DWORD dwReserved,
    void *pvReserved) noexcept;

namespace platform::com {

// The frame while it is open, as a driver sees it.
class PropertyFrame {
public:
    virtual ~PropertyFrame() = default;
    virtual int pageCount() const = 0;
    virtual QString pageTitle(int index) const = 0;
    // The widget the page's window lives in (its child is the page's own window).
    virtual QWidget *pageArea(int index) const = 0;
    virtual void setCurrentPage(int index) = 0;
    virtual bool applyEnabled() const = 0;
    virtual void pressApply() = 0;
    // Both close the frame; a driver returns after pressing either.
    virtual void pressOk() = 0;
    virtual void pressCancel() = 0;
};

class PropertyFrameDriver {
public:
    virtual ~PropertyFrameDriver() = default;
    // Called instead of the modal loop; the frame is closed (as by Cancel) when it returns
    // without pressing OK or Cancel.
    virtual void drive(PropertyFrame &frame) = 0;
};

// Installs a driver for the whole process and returns the previous one (null for none).
PropertyFrameDriver *setPropertyFrameDriver(PropertyFrameDriver *driver) noexcept;

// The pages an object names through ISpecifyPropertyPages (empty when it names none).
std::vector<CLSID> propertyPagesOf(IUnknown *object);

} // namespace platform::com
