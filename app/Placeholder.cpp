namespace sunvane { int appLinked = 1; }
