namespace invsim { int linked = 1; }
