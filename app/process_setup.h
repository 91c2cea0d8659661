// What the process needs before the window exists so that resource faults
// come back as the commands' own failures instead of ending the program.
#pragma once

// A file size limit or a closed pipe makes the write fail instead of
// killing the process (allocation failure: operator_new.cpp).
void PrepareProcess();
