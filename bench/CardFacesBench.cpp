// Composing both card faces from files, as every read and every print does: templates and photo
// read, texts drawn, photo copied, two bitmaps written. Run from any folder; it works in a
// temporary program folder of its own.
#include "print/CardFaces.h"

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Fonts need a GUI application; the benchmark main makes none.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "benchmarks";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

CardFaceTexts Sample()
{
    CardFaceTexts t;
    t.Name = "张三";
    t.Sex = "男";
    t.Nation = "汉族";
    t.BirthDate = "1990-01-05";
    t.Address = "北京市东城区景山前街四号院一号楼二单元三层";
    t.IdNumber = "11010119900105123X";
    t.Authority = "北京市公安局东城分局";
    t.Validity = "2010010120300101";
    return t;
}

void BM_ComposeCardImages(benchmark::State& state)
{
    EnsureApplication();
    QTemporaryDir dir;
    QImage blank(342, 216, QImage::Format_RGB32);
    blank.fill(qRgb(240, 242, 238));
    QImage photo(102, 126, QImage::Format_RGB32);
    photo.fill(Qt::white);
    for (int y = 40; y < 126; ++y)
        for (int x = 20; x < 80; ++x)
            photo.setPixel(x, y, qRgb(120, 90, 110));
    if (!blank.save(dir.filePath("PrintMP.bmp")) || !blank.save(dir.filePath("PrintSB.bmp")) ||
        !photo.save(dir.filePath("ImgTemp.bmp"))) {
        state.SkipWithError("cannot write the program folder");
        return;
    }
    const std::string folder = dir.path().toStdString() + "/";
    const CardFaceTexts texts = Sample();
    for (auto _ : state)
        ComposeCardImages(texts, folder);
}
BENCHMARK(BM_ComposeCardImages)->Unit(benchmark::kMillisecond);

// The drawing alone, without the files.
void BM_ComposeFaces(benchmark::State& state)
{
    EnsureApplication();
    QImage blank(342, 216, QImage::Format_RGB32);
    blank.fill(qRgb(240, 242, 238));
    QImage photo(102, 126, QImage::Format_RGB32);
    photo.fill(Qt::white);
    const CardFaceTexts texts = Sample();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeFront(blank, photo, texts));
        benchmark::DoNotOptimize(ComposeBack(blank, texts));
    }
}
BENCHMARK(BM_ComposeFaces)->Unit(benchmark::kMillisecond);

} // namespace
