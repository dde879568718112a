; Saved form data of the main window: the controls it hosts and their
; saved properties. Values equal to a property's default are left out.
[MinMax]
Class=SizewardLib6.MinMax
_extentx=847
_extenty=847
MinimumWidth=468
MinimumHeight=350
Enabled=True
