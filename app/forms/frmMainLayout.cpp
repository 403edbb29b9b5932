#include "app/forms/frmMainLayout.h"

namespace frmMainLayout {

Result compute(const Input &in)
{
    Result r;
    if (!(in.windowHeight > kMinLayoutHeight))
        return r;
    r.apply = true;
    const double toolbars = in.toolbar1Height + in.toolbar2Height;
    r.tree.left = 0;
    r.tree.top = toolbars;
    r.tree.height =
        in.windowHeight - in.statusBarHeight - in.bannerHeight - kFrameAllowance - toolbars;
    r.banner.left = 0;
    r.banner.top = in.statusBarTop - kBannerHeight;
    r.banner.height = kBannerHeight;
    r.banner.width = in.windowWidth - kRightMargin;
    r.tree.width = in.windowWidth - kRightMargin;
    r.statusPanel2Width = in.windowWidth - kPanel1Allowance;
    r.pictureLeft = (r.banner.width - in.pictureWidth) / 2;
    return r;
}

} // namespace frmMainLayout
