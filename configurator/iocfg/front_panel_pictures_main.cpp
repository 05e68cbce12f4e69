// Draws the two front-panel pictures the LED page shows into the folder of the programs:
//   tirv-front-panels OUT_DIR
// (run by the build with the offscreen platform).
#include "configurator/iocfg/front_panel_drawing.h"
#include "configurator/iocfg/led_page_texts.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <utility>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tirv-front-panels OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    namespace lt = tirv::led_page_texts;
    for (const auto& [leds, name] : {std::pair{5, lt::kPictureNonM}, std::pair{8, lt::kPictureM}}) {
        const QString path = out.filePath(QString::fromUtf8(name));
        // 24-bit pixels: the smaller file, and every reader takes it.
        const QImage picture = tirv::DrawFrontPanel(leds).convertToFormat(QImage::Format_RGB888);
        if (!picture.save(path, "BMP")) {
            std::fprintf(stderr, "tirv-front-panels: cannot write %s\n", path.toLocal8Bit().data());
            return 1;
        }
    }
    return 0;
}
