// The start button's action and the windows it opens.
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/ui/MainMenu.h"
#include "platform/TextFiles.h"
#include "platform/prompt.h"
#include "testengine/ProgramTestEnv.h"
#include "testengine/ui/TestForm.h"

namespace bw {

using namespace testengine;

namespace {

inline constexpr std::size_t kOverallMaxBytes = 16 << 20;
inline constexpr std::string_view kBasicTestMissing =
    "The basic test is not available in this version, and \"Basic Test ONLY\" is ticked: untick "
    "it to run the main test.";

// The overall results of an all-drives run: Overall.txt as text, until the comparison gives the
// window more.
void show_overall(QWidget* parent) {
    std::string error;
    const auto text =
        text_files::read(app().program_folder / "Overall.txt", kOverallMaxBytes, &error);
    QDialog window(parent);
    window.setObjectName("frmOverall");
    window.setWindowTitle("Overall results of all drives (Overall.txt)");
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QPlainTextEdit(&window);
    view->setReadOnly(true);
    view->setPlainText(text ? QString::fromStdString(*text)
                            : QString::fromStdString(error.empty()
                                                         ? "Overall.txt holds no results yet."
                                                         : "Overall.txt cannot be shown: " + error));
    layout->addWidget(view);
    auto* close = new QPushButton("Close", &window);
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    layout->addWidget(close);
    window.resize(700, 500);
    window.exec();
}

}  // namespace

void register_testengine_ui(UiRegistry& registry) {
    registry.add_action(kCommand1, [&registry](MenuContext& ctx) {
        StartEnv env = program_start_env(ctx.state, ctx.steps);
        env.show_status = ctx.hooks.show_status;
        env.open_test_window = [&ctx](const TestParameters& p) {
            TestForm form(p, program_run_env(p), ctx.main_window);
            form.exec();
            return form.run_state();
        };
        env.open_basic_test = [&registry, &ctx] {
            if (const MenuAction* basic = registry.action(kMnuBasicTest))
                (*basic)(ctx);
            else
                MsgBox(kBasicTestMissing, PromptIcon::Exclamation);
        };
        env.show_overall = [&ctx] { show_overall(ctx.main_window); };
        Command1_Click(ctx.state.options, env);
        if (ctx.hooks.show_state) ctx.hooks.show_state();
    });
}

}  // namespace bw
