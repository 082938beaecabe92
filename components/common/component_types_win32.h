// The interface functions of the component types: each returns the function
// implementing a request (create, property changed, get all data, get
// property, property list), or null for requests the type does not answer.
#pragma once

namespace components {

void* WindowTypeInterface(int request);       // core library type 1
void* EditBoxTypeInterface(int request);      // core library type 5
void* PictureBoxTypeInterface(int request);   // core library type 6
void* LabelTypeInterface(int request);        // core library type 10
void* ButtonTypeInterface(int request);       // core library type 11
void* CheckBoxTypeInterface(int request);     // core library type 12
void* ComboBoxTypeInterface(int request);     // core library type 14
void* TimerTypeInterface(int request);        // core library type 32
void* ClientTypeInterface(int request);       // core library type 37
void* ImageButtonTypeInterface(int request);  // extended UI library 2, type 1
void* TransLabelTypeInterface(int request);   // extended UI library 1, type 5

}  // namespace components
