// The demo program. For now it shows the step message codec on the console. Its arguments, such as
// "--shots DIR" (the folder that pictures of windows will go to), are accepted and not used yet.
#include "step_demo.h"

int main()
{
    return RunStepDemo();
}
