#include "app/test_app.h"
#include "framework/application.h"

int main(int argc, char** argv) {
    return framework::RunProgram(argc, argv, &app::ProgramMain);
}
