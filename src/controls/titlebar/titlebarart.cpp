#include "controls/titlebar/titlebarart.h"

namespace tarvo {

const TitleBarArt& TitleBarArt::standard() {
    static const TitleBarArt art = [] {
        static const char* const files[TitlePartCount] = {
            "left",  "title",     "middle",    "right",       "min",         "max",
            "close", "min_hover", "max_hover", "close_hover", "unavailable", "tile"};
        TitleBarArt loaded;
        for (int i = 0; i < TitlePartCount; ++i) {
            const QString path = QStringLiteral(":/titlebar/%1.bmp").arg(QLatin1String(files[i]));
            forms::Picture picture = forms::PictureObject::load(path);
            loaded.pictures[std::size_t(i)] = picture ? picture : forms::PictureObject::none();
        }
        return loaded;
    }();
    return art;
}

} // namespace tarvo
