// replaced as the base library grows
