// A QWidget that hosts an OLE control: it creates the control by class identifier or ProgID,
// gives it a client site and an in-place site, activates it in place (the control makes its own
// window as a child of this widget, found through the handle table), keeps that window on the
// widget's rectangle, answers ambient properties, passes keyboard focus on, and closes and
// releases the control when it is destroyed. Any Qt window hosts a control this way:
//
//   auto *host = new platform::com::ControlHost(this);
//   if (SUCCEEDED(host->createControl(u"Corvel.Arbor")))
//       ComPtr<IDispatch> tree = host->control();
//
// UI thread only, like every control.
#pragma once

#include "platform/com/ole/oleidl.h"
#include "platform/com/storage.h"

#include <QString>
#include <QWidget>

namespace platform::com {

class ControlSite;

class ControlHost : public QWidget {
    Q_OBJECT

public:
    explicit ControlHost(QWidget *parent = nullptr);
    ~ControlHost() override;
    Q_DISABLE_COPY(ControlHost)

    // Creates, sites and activates a control; a control already held is closed first. `clsid` is
    // "{...}" text or a ProgID. With `properties` the control loads its saved properties from
    // that stream (a window's design-time settings), else it is initialised as new; a control
    // whose misc status has OLEMISC_SETCLIENTSITEFIRST gets its site before either, any other
    // after. Returns the first failure: CO_E_CLASSSTRING for an unknown name, the creation error,
    // E_NOINTERFACE for an object that is not an OLE control, the load error (the control is then
    // released), or what the control's activation returns (the control stays held, not active).
    [[nodiscard]] HRESULT createControl(
        std::u16string_view clsid, IStream *properties = nullptr) noexcept;
    [[nodiscard]] HRESULT createControl(REFCLSID clsid, IStream *properties = nullptr) noexcept;
    // Closes without saving, takes the site back and releases the control. Safe when empty.
    void closeControl() noexcept;

    bool hasControl() const noexcept { return m_object != nullptr; }
    // The control's automation interface (null when none is held or it has no IDispatch).
    ComPtr<IDispatch> control() const noexcept;
    ComPtr<IOleObject> oleObject() const noexcept { return m_object; }
    // The control's own window (0 when not active or windowless).
    HWND controlWindow() const noexcept;
    DWORD miscStatus() const noexcept { return m_miscStatus; }
    // True after OnInPlaceActivate until OnInPlaceDeactivate.
    bool isInPlaceActive() const noexcept { return m_inPlaceActive; }
    // What the control last told the site through OnShowWindow, or the last show/hide verb.
    bool isControlShown() const noexcept { return m_shown; }

    // Asks the control to draw itself (IViewObject, content aspect) into `painter` on `bounds`:
    // for printing, drag pictures, and for controls without a window of their own, which the host
    // paints this way. E_UNEXPECTED without a control, E_NOINTERFACE when it cannot draw.
    [[nodiscard]] HRESULT drawControl(QPainter &painter, const QRect &bounds) noexcept;

    // Runs a verb on the control with the site and this widget's rectangle.
    [[nodiscard]] HRESULT doVerb(LONG verb) noexcept;

    // Ambient properties; a change is announced to the control through IOleControl.
    bool userMode() const noexcept { return m_userMode; }
    void setUserMode(bool on);
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name);

    // The rectangle the control is given, in this widget's coordinates (the whole widget).
    RECT controlRect() const noexcept;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    friend class ControlSite;
    void placeControl() noexcept;
    void ambientChanged(DISPID id) noexcept;

    ComPtr<ControlSite> m_site;
    ComPtr<IOleObject> m_object;
    ComPtr<IOleInPlaceObject> m_inPlace; // taken when the control activates
    DWORD m_miscStatus = 0;
    bool m_inPlaceActive = false;
    bool m_shown = false;
    bool m_userMode = true;
    QString m_displayName;
};

} // namespace platform::com
