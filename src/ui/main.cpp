#include "ui/VantrelApp.h"

int main(int argc, char** argv) {
    if (vantrel::VantrelApp::asksForTextOnly(argc, argv))
        return vantrel::VantrelApp::answerAsText(argc, argv);
    vantrel::VantrelApp app(argc, argv);
    return app.run();
}
