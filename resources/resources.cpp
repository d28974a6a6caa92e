// Keeps the resource library non-empty before any picture is added.
namespace sunvane { int resourcesLinked = 1; }
