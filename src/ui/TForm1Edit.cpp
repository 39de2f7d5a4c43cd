#include "ui/TForm1.h"

void TForm1::Edition1Click() {}
void TForm1::Dfaire1Click() {}
void TForm1::Couper1Click() {}
void TForm1::Copier1Click() {}
void TForm1::Coller1Click() {}
void TForm1::Effacer1Click() {}
void TForm1::Chercher1Click() {}
void TForm1::Remplacer1Click() {}
