#include "app/forms/frmMainArbor.h"

#include "platform/com/creation.h"
#include "platform/com/server_module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>

using platform::com::ComPtr;

namespace frmMainArbor {

namespace {

Q_LOGGING_CATEGORY(lcArbor, "bidlark.arbor", QtInfoMsg)

constexpr const char *kLibraryName = "libarbor.so";

QString hresultText(HRESULT hr)
{
    return QStringLiteral("error 0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

// Why a library could not be used, in words a user can act on.
QString loadFailure(HRESULT hr)
{
    const QString loader = QString::fromStdString(platform::com::lastServerLoadError());
    if (hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) || hr == CO_E_DLLNOTFOUND)
        return loader.isEmpty() ? QStringLiteral("the library could not be loaded") : loader;
    if (hr == HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) || hr == CO_E_ERRORINDLL)
        return QStringLiteral("the library is not a component library (an entry point is missing)");
    if (hr == REGDB_E_CLASSNOTREG)
        return QStringLiteral("the library did not register the tree control");
    return hresultText(hr);
}

bool fileExists(const std::string &path)
{
    return !path.empty() && QFileInfo::exists(QString::fromStdString(path));
}

} // namespace

QString libraryPath()
{
    const QString configured = qEnvironmentVariable("BIDLARK_ARBOR_LIBRARY");
    if (!configured.isEmpty())
        return configured;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + u'/' + QLatin1String(kLibraryName);
    const QString installed =
        dir + QStringLiteral("/../lib/bidlark/") + QLatin1String(kLibraryName);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return beside;
}

HRESULT createTreeControl(
    platform::com::ControlHost &host, const QString &library, QString *problem)
{
    const std::string registered = platform::com::inprocServerPath(CLSID_Arbor);
    HRESULT hr = REGDB_E_CLASSNOTREG;
    if (fileExists(registered)) {
        hr = host.createControl(CLSID_Arbor);
        if (SUCCEEDED(hr))
            return hr;
        qCDebug(lcArbor) << "registered library" << registered.c_str() << "failed:" << Qt::hex
                         << hr;
    }

    const auto fail = [&](HRESULT code, const QString &reason) {
        if (problem) {
            *problem = QStringLiteral("The item tree control could not be started, so Bidlark "
                                      "opens without it.\n\nLibrary: %1\nReason: %2")
                           .arg(library, reason);
        }
        return code;
    };
    const QFileInfo file(library);
    if (!file.exists())
        return fail(hr, QStringLiteral("the file does not exist"));
    // A library that failed as registered fails again; registering it anew would change nothing.
    if (fileExists(registered) && file.canonicalFilePath() == QString::fromStdString(registered))
        return fail(hr, loadFailure(hr));

    qCDebug(lcArbor) << "registering" << library;
    hr = platform::com::CallServerRegistration(library.toStdString(), false);
    if (FAILED(hr))
        return fail(hr, QStringLiteral("registration failed: ") + loadFailure(hr));
    hr = host.createControl(CLSID_Arbor);
    if (FAILED(hr))
        return fail(hr, loadFailure(hr));
    return hr;
}

HRESULT applyDesignSettings(IArbor *tree)
{
    if (!tree)
        return E_POINTER;
    HRESULT first = S_OK;
    const auto step = [&first](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    };
    using platform::com::Variant;
    step(tree->put_BorderStyle(BorderEffectDrop));
    step(tree->put_BackColor(0x00FFFFFF));
    step(tree->put_ForeColor(0x00000000));
    step(tree->putref_Picture(nullptr));
    step(tree->put_PicturePosition(CenterCenter));
    step(tree->put_Enabled(VARIANT_TRUE));
    step(tree->put_AutoHScroll(VARIANT_TRUE));
    step(tree->put_AutoVScroll(VARIANT_TRUE));
    // The control adds before it removes, so clearing and setting take two calls.
    step(tree->ModifyStyle(Variant::i4(ARBORSTYLE_ALL), Variant::i4(ARBORSTYLE_NONE)));
    step(tree->ModifyStyle(Variant::i4(ARBORSTYLE_NONE),
        Variant::i4(ARBORSTYLE_LINESATROOT | ARBORSTYLE_HASLINES | ARBORSTYLE_HASBUTTONS |
            ARBORSTYLE_SINGLESEL | ARBORSTYLE_SHOWSELALWAYS)));
    step(tree->ModifyDropEffect(
        Variant::i4(ARBORDROPEFFECT_ALL), Variant::i4(ARBORDROPEFFECT_NONE)));

    std::u16string name = u"MS Sans Serif";
    FONTDESC desc {};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = name.data();
    desc.cySize.int64 = 82500; // 8.25 points
    desc.sWeight = FW_NORMAL;
    ComPtr<IFontDisp> font;
    const HRESULT made = OleCreateFontIndirect(&desc, IID_IFontDisp, font.voidOut());
    step(made);
    if (SUCCEEDED(made))
        step(tree->put_Font(font.Get()));
    return first;
}

} // namespace frmMainArbor
