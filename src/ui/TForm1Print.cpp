#include "ui/TForm1.h"

void TForm1::Configurationdelimpression1Click() {}
void TForm1::Imprimerlesrsultats1Click() {}
