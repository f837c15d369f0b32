// Filled in by the change that implements this unit.
